// Another early one: global time, gl_FragColor-free but texture2D free too
float hash( float n ) { return fract(sin(n)*43758.5453123); }

float noise( in vec2 x )
{
    vec2 p = floor(x);
    vec2 f = fract(x);
    f = f*f*(3.0-2.0*f);
    float n = p.x + p.y*57.0;
    return mix(mix( hash(n+  0.0), hash(n+  1.0),f.x),
               mix( hash(n+ 57.0), hash(n+ 58.0),f.x),f.y);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = fragCoord.xy / iResolution.xy;
    float f = noise(p*8.0 + iGlobalTime) * 0.5 + noise(p*16.0 - iGlobalTime) * 0.25;
    fragColor = vec4( vec3(f*1.3, f*f, 0.3), 1.0 );
}

// Domain warping, two levels
float h(vec2 p) { return fract(sin(dot(p, vec2(127.1, 311.7)))*43758.5453); }
float n(vec2 p)
{
    vec2 i = floor(p), f = fract(p);
    f = f*f*(3.-2.*f);
    return mix(mix(h(i), h(i+vec2(1.,0.)), f.x), mix(h(i+vec2(0.,1.)), h(i+1.), f.x), f.y);
}
float fbm(vec2 p) { float v = 0., a = .5; for (int i = 0; i < 4; i++) { v += a*n(p); p = p*2.03 + 1.7; a *= .5; } return v; }

void mainImage( out vec4 O, vec2 I )
{
    vec2 p = I/iResolution.y*3.;
    vec2 q = vec2(fbm(p + .1*iTime), fbm(p + vec2(5.2, 1.3)));
    vec2 r = vec2(fbm(p + 4.*q + vec2(1.7, 9.2)), fbm(p + 4.*q + vec2(8.3, 2.8) + .12*iTime));
    float f = fbm(p + 4.*r);
    vec3 col = mix(vec3(.1, .3, .4), vec3(.9, .7, .4), f);
    col = mix(col, vec3(0., 0., .2), dot(q, q)*.5);
    O = vec4(col, 1.);
}

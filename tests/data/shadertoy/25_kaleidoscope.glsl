#define TAU 6.2831853

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    float a = atan(p.y, p.x), r = length(p);
    float seg = TAU/8.0;
    a = mod(a, seg);
    a = abs(a - seg*0.5);
    p = r*vec2(cos(a), sin(a));
    p += vec2(0.1*iTime, 0.0);
    vec3 col = 0.5 + 0.5*sin(vec3(3.0, 4.0, 5.0)*p.x*6.0 + vec3(0.0, 1.0, 2.0) + p.y*10.0);
    fragColor = vec4(col*smoothstep(0.9, 0.2, r), 1.0);
}

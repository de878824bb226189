// Line segments of a rotating star
float sdSegment(vec2 p, vec2 a, vec2 b)
{
    vec2 pa = p - a, ba = b - a;
    float h = clamp(dot(pa, ba)/dot(ba, ba), 0.0, 1.0);
    return length(pa - ba*h);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float d = 1e9;
    for (int i = 0; i < 5; i++) {
        float a0 = iTime*0.3 + 6.2831*float(i)/5.0;
        float a1 = a0 + 6.2831*2.0/5.0;
        d = min(d, sdSegment(p, 0.8*vec2(cos(a0), sin(a0)), 0.8*vec2(cos(a1), sin(a1))));
    }
    vec3 col = vec3(1.0 - smoothstep(0.0, 0.02, d))*vec3(1.0, 0.85, 0.3) + vec3(0.05, 0.05, 0.12);
    fragColor = vec4(col, 1.0);
}

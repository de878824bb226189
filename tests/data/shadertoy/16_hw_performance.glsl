// Antialiasing depends on the machine
#if HW_PERFORMANCE==0
#define AA 1
#else
#define AA 2
#endif

float pattern(vec2 p)
{
    return smoothstep(0.45, 0.5, abs(fract(length(p)*6.0 - iTime*0.5) - 0.5));
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    float acc = 0.0;
    for (int m = 0; m < AA; m++)
    for (int n = 0; n < AA; n++) {
        vec2 o = vec2(float(m), float(n)) / float(AA) - 0.5;
        vec2 p = (2.0*(fragCoord + o) - iResolution.xy)/iResolution.y;
        acc += pattern(p);
    }
    acc /= float(AA*AA);
    fragColor = vec4(vec3(acc)*vec3(0.9, 0.7, 0.4), 1.0);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float f = 0.0;
    for (int i = 0; i < 5; i++) {
        float fi = float(i);
        vec2 c = 0.6*vec2(sin(iTime*0.7 + fi*1.3), cos(iTime*0.9 + fi*2.1));
        f += 0.04/dot(p - c, p - c);
    }
    vec3 col = mix(vec3(0.05, 0.0, 0.1), vec3(0.2, 0.9, 0.7), smoothstep(0.9, 1.1, f));
    col += 0.3*smoothstep(1.6, 2.5, f);
    fragColor = vec4(col, 1.0);
}

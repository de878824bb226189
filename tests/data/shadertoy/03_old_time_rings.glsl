// Written before iTime existed
void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 p = (2.0*fragCoord - iResolution.xy) / iResolution.y;
    float r = length(p);
    float rings = sin(r*24.0 - iGlobalTime*4.0);
    vec3 col = mix(vec3(0.1,0.0,0.2), vec3(1.0,0.6,0.2), smoothstep(-0.2, 0.2, rings));
    col *= exp(-r*0.8);
    fragColor = vec4(col, 1.0);
}

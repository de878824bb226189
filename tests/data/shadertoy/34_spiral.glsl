void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    float r = length(p);
    float a = atan(p.y, p.x);
    float s = sin(8.0*log(r) - 3.0*a + iTime*2.0);
    vec3 col = vec3(0.5 + 0.5*s) * vec3(0.2, 0.7, 1.0);
    col = mix(col, vec3(1.0), smoothstep(0.05, 0.0, r));
    fragColor = vec4(col, 1.0);
}

// Reacts on the click frame (mouse w positive) with a flash
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float flash = iMouse.w > 0.0 ? 1.0 : 0.0;
    vec2 g = abs(fract(uv*vec2(16.0, 9.0) + iTime*0.1) - 0.5);
    float l = smoothstep(0.45, 0.5, max(g.x, g.y));
    vec3 col = mix(vec3(0.05, 0.1, 0.15), vec3(0.3, 0.9, 1.0), l);
    fragColor = vec4(mix(col, vec3(1.0), flash*0.5), 1.0);
}

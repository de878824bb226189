// An old one, from the WebGL 1 days
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord.xy / iResolution.xy;
    vec3 tex = texture2D(iChannel0, uv*2.0).rgb;
    vec3 base = vec3(uv, 0.5 + 0.5*sin(iGlobalTime));
    fragColor = vec4(base + 0.5*tex, 1.0);
}

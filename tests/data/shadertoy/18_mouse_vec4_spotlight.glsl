// Spotlight follows the click position; idles in the middle
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec4 m = iMouse;
    vec2 c = m.z > 0.0 ? m.zw : iResolution.xy*(0.5 + 0.25*vec2(cos(iTime), sin(iTime)));
    float d = length(fragCoord - c)/iResolution.y;
    vec3 col = vec3(1.0, 0.9, 0.6)*exp(-d*d*12.0) + vec3(0.05, 0.05, 0.1);
    fragColor = vec4(col, 1.0);
}

// Writes colour and alpha separately
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    fragColor.rgb = vec3(step(0.5, fract(uv.x*5.0 - iTime)), uv.y, 0.3);
    fragColor.a = 1.0;
}

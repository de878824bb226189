// Pixelates a moving gradient; round() and a rotated grid
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    float cell = 6.0;
    vec2 q = round(fragCoord/cell)*cell;
    vec2 uv = q/iResolution.xy;
    vec3 col = 0.5 + 0.5*sin(6.2831*(uv.xyx + vec3(0.0, 0.3, 0.6)) + iTime);
    fragColor = vec4(col, 1.0);
}

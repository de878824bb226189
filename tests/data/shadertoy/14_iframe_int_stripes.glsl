// Stripes that step one pixel a frame
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    int f = iFrame;
    int x = int(fragCoord.x) + f;
    float s = float((x / 6) & 1);
    fragColor = vec4(s, 0.4*s + 0.3, 1.0 - s, 1.0);
}

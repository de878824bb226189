// Flickers a checker on odd frames
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    ivec2 cell = ivec2(fragCoord) / 8;
    int parity = (cell.x + cell.y + iFrame) % 2;
    vec3 col = parity == 0 ? vec3(0.9, 0.9, 0.8) : vec3(0.1, 0.2, 0.3);
    fragColor = vec4(col, 1.0);
}

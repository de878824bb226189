// Binary frame counter
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    int bit = int(uv.x*8.0);
    int on = (iFrame >> bit) & 1;
    vec3 col = on == 1 ? vec3(0.2, 1.0, 0.4) : vec3(0.1, 0.1, 0.1);
    col *= step(0.05, fract(uv.x*8.0));
    col += 0.2*uv.y;
    fragColor = vec4(col, 1.0);
}

// Undoes a shear with the matrix inverse
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.y;
    mat2 shear = mat2(1.0, 0.0, 0.5*sin(iTime), 1.0);
    vec2 a = shear*uv;
    vec2 b = inverse(shear)*a;
    vec2 g = step(0.9, fract(a*6.0));
    fragColor = vec4(max(g.x, g.y), fract(b*2.0), 1.0);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec3 col = vec3(0.02, 0.02, 0.05);
    for (int i = 0; i < 4; i++) {
        float fi = float(i);
        float y = 0.5 + 0.15*sin(uv.x*(6.0 + fi*2.0) + iTime*(1.0 + fi*0.3) + fi);
        float w = 0.004/abs(uv.y - y);
        col += w*(0.5 + 0.5*cos(fi + vec3(0.0, 2.0, 4.0)));
    }
    fragColor = vec4(col, 1.0);
}

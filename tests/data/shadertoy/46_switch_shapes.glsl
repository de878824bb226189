// A switch over cell index picks the shape
float shape(int k, vec2 p)
{
    switch (k) {
    case 0: return length(p) - 0.3;
    case 1: return max(abs(p.x), abs(p.y)) - 0.25;
    case 2: return abs(p.x) + abs(p.y) - 0.35;
    default: return max(abs(p.x) - 0.35, abs(p.y) - 0.08);
    }
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.y*3.0;
    ivec2 id = ivec2(floor(uv));
    int k = (id.x + id.y*3 + int(iTime)) % 4;
    float d = shape(k, fract(uv) - 0.5);
    vec3 col = d < 0.0 ? vec3(0.9, 0.8, 0.3) : vec3(0.15, 0.2, 0.3);
    fragColor = vec4(col, 1.0);
}

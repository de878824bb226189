// Integer hash, the kind that needs GLSL 3
uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    uvec2 p = uvec2(fragCoord) / 4u;
    uint seed = p.x + p.y*1024u + uint(iTime*2.0)*65536u;
    uint h = hash(seed);
    vec3 col = vec3(float(h & 255u), float((h >> 8) & 255u), float((h >> 16) & 255u))/255.0;
    fragColor = vec4(col, 1.0);
}

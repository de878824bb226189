// Packs a colour into one float and back, then shows the round trip
float pack(vec3 c) { return dot(floor(c*255.0 + 0.5), vec3(1.0, 256.0, 65536.0)); }
vec3 unpack(float f) { return mod(floor(f/vec3(1.0, 256.0, 65536.0)), 256.0)/255.0; }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec3 c = 0.5 + 0.5*cos(iTime + uv.xyx*3.0 + vec3(0.0, 2.0, 4.0));
    float packed = pack(c);
    vec3 shared = unpack(packed);
    fragColor = vec4(uv.y > 0.5 ? c : shared, 1.0);
}

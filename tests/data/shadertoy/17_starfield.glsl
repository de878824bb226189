float rnd(vec2 p) { return fract(sin(dot(p, vec2(12.9898, 78.233)))*43758.5453); }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    vec3 col = vec3(0.0);
    for (float i = 0.0; i < 4.0; i++) {
        float depth = fract(i*0.25 + iTime*0.1);
        float scale = mix(20.0, 0.5, depth);
        vec2 g = uv*scale + i*17.3;
        vec2 id = floor(g);
        vec2 gv = fract(g) - 0.5;
        float n = rnd(id);
        vec2 off = vec2(n, fract(n*34.0)) - 0.5;
        float d = length(gv - off*0.8);
        float star = 0.02/d * smoothstep(1.0, 0.8, depth) * depth;
        col += star*vec3(0.8 + 0.2*n, 0.8, 1.0);
    }
    fragColor = vec4(col, 1.0);
}

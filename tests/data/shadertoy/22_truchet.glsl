// Truchet arcs
float h21(vec2 p) { return fract(sin(dot(p, vec2(12.34, 45.67)))*4567.89); }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    uv *= 6.0;
    uv += iTime*0.3;
    vec2 id = floor(uv);
    vec2 gv = fract(uv) - 0.5;
    if (h21(id) < 0.5) gv.x *= -1.0;
    vec2 cUv = gv - sign(gv.x + gv.y + 0.001)*0.5;
    float d = abs(length(cUv) - 0.5);
    float mask = smoothstep(0.01, -0.01, d - 0.1);
    vec3 col = mix(vec3(0.1, 0.1, 0.15), vec3(0.9, 0.5, 0.2), mask);
    fragColor = vec4(col, 1.0);
}

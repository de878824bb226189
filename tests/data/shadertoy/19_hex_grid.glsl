// Hexagonal tiling
const vec2 s = vec2(1.0, 1.7320508);

vec4 hexCoords(vec2 p)
{
    vec4 hC = floor(vec4(p, p - vec2(0.5, 1.0))/s.xyxy) + 0.5;
    vec4 h = vec4(p - hC.xy*s, p - (hC.zw + 0.5)*s);
    return dot(h.xy, h.xy) < dot(h.zw, h.zw) ? vec4(h.xy, hC.xy) : vec4(h.zw, hC.zw + 0.5);
}

float hexDist(vec2 p)
{
    p = abs(p);
    return max(dot(p, s*0.5), p.x);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 u = (fragCoord - iResolution.xy*0.5)/iResolution.y;
    vec4 h = hexCoords(u*6.0 + iTime*0.2);
    float e = smoothstep(0.5, 0.45, hexDist(h.xy));
    vec3 col = (0.5 + 0.5*cos(h.z*0.7 + h.w*1.3 + vec3(0, 2, 4))) * e;
    fragColor = vec4(col, 1.0);
}

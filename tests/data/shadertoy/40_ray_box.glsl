// Rotating box by raymarching a distance function
float sdBox(vec3 p, vec3 b) { vec3 q = abs(p) - b; return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0); }
mat2 rot(float a) { return mat2(cos(a), sin(a), -sin(a), cos(a)); }

float map(vec3 p)
{
    p.xz *= rot(iTime*0.7);
    p.xy *= rot(iTime*0.4);
    return sdBox(p, vec3(0.6)) - 0.05;
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    vec3 ro = vec3(0.0, 0.0, -3.0), rd = normalize(vec3(uv, 1.0));
    float t = 0.0;
    int i;
    for (i = 0; i < 80; i++) {
        float d = map(ro + rd*t);
        if (d < 0.001) break;
        t += d;
        if (t > 10.0) break;
    }
    vec3 col = vec3(0.0);
    if (t < 10.0) {
        vec3 p = ro + rd*t;
        vec2 e = vec2(0.001, 0.0);
        vec3 n = normalize(vec3(map(p + e.xyy) - map(p - e.xyy), map(p + e.yxy) - map(p - e.yxy), map(p + e.yyx) - map(p - e.yyx)));
        col = 0.5 + 0.5*n;
        col *= 1.0 - float(i)/80.0;
    }
    fragColor = vec4(col, 1.0);
}

// Raymarched sphere over a floor, soft shadow
float map(vec3 p)
{
    float s = length(p - vec3(0.0, 1.0, 0.0)) - 1.0;
    return min(s, p.y);
}

vec3 calcNormal(vec3 p)
{
    vec2 e = vec2(0.001, 0.0);
    return normalize(vec3(map(p+e.xyy)-map(p-e.xyy), map(p+e.yxy)-map(p-e.yxy), map(p+e.yyx)-map(p-e.yyx)));
}

float shadow(vec3 ro, vec3 rd)
{
    float res = 1.0, t = 0.02;
    for (int i = 0; i < 32; i++) {
        float h = map(ro + rd*t);
        res = min(res, 8.0*h/t);
        t += clamp(h, 0.02, 0.2);
        if (h < 0.001 || t > 8.0) break;
    }
    return clamp(res, 0.0, 1.0);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float an = 0.3*iTime;
    vec3 ro = vec3(4.0*sin(an), 2.0, 4.0*cos(an));
    vec3 ww = normalize(vec3(0.0, 1.0, 0.0) - ro);
    vec3 uu = normalize(cross(ww, vec3(0.0, 1.0, 0.0)));
    vec3 vv = cross(uu, ww);
    vec3 rd = normalize(p.x*uu + p.y*vv + 1.8*ww);
    float t = 0.0;
    for (int i = 0; i < 96; i++) {
        float h = map(ro + rd*t);
        if (h < 0.001 || t > 20.0) break;
        t += h;
    }
    vec3 col = vec3(0.6, 0.75, 0.9) - 0.5*rd.y;
    if (t < 20.0) {
        vec3 pos = ro + rd*t;
        vec3 nor = calcNormal(pos);
        vec3 lig = normalize(vec3(0.6, 0.7, 0.4));
        float dif = clamp(dot(nor, lig), 0.0, 1.0) * shadow(pos + nor*0.01, lig);
        col = vec3(0.18)*(0.3 + dif*vec3(1.0, 0.9, 0.7)*2.0);
    }
    fragColor = vec4(sqrt(col), 1.0);
}

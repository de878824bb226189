// Planets orbiting a star. The camera turns by itself; tick "Checkbox 9"
// (the mouse button) and move point 0 to steer it by hand, as a mouse drag
// would on the website.
mat2 rot(float a) { float c = cos(a), s = sin(a); return mat2(c, s, -s, c); }

float sphere(vec3 ro, vec3 rd, vec3 c, float r)
{
    vec3 oc = ro - c;
    float b = dot(oc, rd), h = b*b - dot(oc, oc) + r*r;
    return h < 0.0 ? -1.0 : -b - sqrt(h);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 R = iResolution;
    vec2 p = (2.0*fragCoord - R.xy)/R.y;
    vec4 m = iMouse;
    float yaw = m.z > 0.0 ? (m.x/R.x - 0.5)*6.2831 : iTime*0.2;
    float pitch = m.z > 0.0 ? (m.y/R.y - 0.5)*1.5 : 0.4;
    vec3 ro = vec3(0.0, 0.0, -6.0), rd = normalize(vec3(p, 2.0));
    ro.yz *= rot(pitch); rd.yz *= rot(pitch);
    ro.xz *= rot(yaw); rd.xz *= rot(yaw);
    vec3 col = vec3(0.01, 0.01, 0.03);
    float best = 1e9;
    float ts = sphere(ro, rd, vec3(0.0), 0.8);
    if (ts > 0.0) { best = ts; col = vec3(1.0, 0.8, 0.3)*(1.2 - 0.5*length(p)); }
    for (int i = 1; i <= 4; i++) {
        float fi = float(i);
        float a = iTime*(1.2/fi) + fi*1.7;
        vec3 c = vec3(cos(a), 0.0, sin(a))*(0.9 + 0.8*fi);
        float t = sphere(ro, rd, c, 0.12 + 0.05*fi);
        if (t > 0.0 && t < best) {
            best = t;
            vec3 n = normalize(ro + rd*t - c);
            float light = max(dot(n, normalize(-c)), 0.0);
            col = (0.5 + 0.5*cos(fi*1.3 + vec3(0.0, 2.0, 4.0)))*(0.05 + light);
        }
    }
    fragColor = vec4(col, 1.0);
}

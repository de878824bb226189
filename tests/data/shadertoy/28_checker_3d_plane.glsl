// Infinite checker plane under a sky
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    vec3 ro = vec3(0.0, 1.0, iTime);
    vec3 rd = normalize(vec3(p, 1.5));
    vec3 col = mix(vec3(0.7, 0.8, 1.0), vec3(0.2, 0.4, 0.8), clamp(rd.y*2.0, 0.0, 1.0));
    if (rd.y < 0.0) {
        float t = -ro.y/rd.y;
        vec3 pos = ro + t*rd;
        vec2 c = floor(pos.xz);
        float chk = mod(c.x + c.y, 2.0);
        col = mix(vec3(0.9), vec3(0.2), chk);
        col = mix(col, vec3(0.7, 0.8, 1.0), 1.0 - exp(-0.02*t*t));
    }
    fragColor = vec4(col, 1.0);
}

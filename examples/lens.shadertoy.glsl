// A magnifying lens over layer 0 (pass --layer 0=FILE), sized by the
// layer's resolution as a vec3 and drawn with the WebGL 1 texture2D.
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 res = iChannelResolution[0];
    vec2 uv = fragCoord/iResolution.xy;
    vec2 centre = vec2(0.5) + 0.25*vec2(cos(iTime*0.7), sin(iTime));
    vec2 d = (uv - centre)*vec2(iResolution.x/iResolution.y, 1.0);
    float lens = smoothstep(0.22, 0.2, length(d));
    vec2 lensUv = mix(uv, centre + (uv - centre)*0.5, lens);
    vec3 col = res.x > 0.0 ? texture2D(iChannel0, lensUv).rgb : vec3(lensUv, 0.5 + 0.5*sin(iTime));
    col += lens*0.15*vec3(0.6, 0.8, 1.0)*res.z;
    col *= 1.0 - 0.6*smoothstep(0.2, 0.23, length(d))*smoothstep(0.26, 0.23, length(d));
    fragColor = vec4(col, 1.0);
}

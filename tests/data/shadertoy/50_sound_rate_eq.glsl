// A fake equaliser, its bands spaced by the sample rate
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float band = floor(uv.x*16.0);
    float freq = (band + 1.0)*iSampleRate/64.0;
    float level = 0.5 + 0.4*sin(iTime*3.0 + freq*0.0007);
    float bar = step(uv.y, level)*step(0.1, fract(uv.x*16.0));
    vec3 col = mix(vec3(0.1), mix(vec3(0.2, 1.0, 0.3), vec3(1.0, 0.2, 0.1), uv.y), bar);
    fragColor = vec4(col, 1.0);
}

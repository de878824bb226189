// Colour of the day: the year, month and day of iDate pick a hue
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float seed = iDate.x*0.01 + iDate.y*0.3 + iDate.z*0.07;
    vec3 hue = 0.5 + 0.5*cos(6.2831*(seed + vec3(0.0, 0.33, 0.67)));
    float secs = fract(iDate.w/60.0);
    vec3 col = mix(hue, hue.zxy, smoothstep(secs - 0.01, secs + 0.01, uv.x));
    fragColor = vec4(col, 1.0);
}

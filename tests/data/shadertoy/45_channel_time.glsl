// Channel playback time drives a fade
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float fade = 0.5 + 0.5*sin(iChannelTime[0]);
    vec3 tex = texture(iChannel0, uv).rgb;
    fragColor = vec4(mix(vec3(uv, 0.4), tex, fade*0.5), 1.0);
}

// Uses the frame duration and frame rate to size a motion blur
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float speed = 2.0;
    float blur = speed * iTimeDelta * iFrameRate;   // one frame's travel, in units of speed
    float x = fract(iTime*0.25);
    float d = uv.x - x;
    float a = smoothstep(0.05*blur, 0.0, abs(d)) * step(abs(uv.y - 0.5), 0.2);
    fragColor = vec4(mix(vec3(0.05), vec3(1.0, 0.8, 0.2), a), 1.0);
}

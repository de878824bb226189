// Reads channel 0 pixel by pixel and shows its luma next to a bar pattern
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 t = texelFetch(iChannel0, ivec2(fragCoord)/2, 0).rgb;
    float luma = dot(t, vec3(0.299, 0.587, 0.114));
    float bars = step(0.5, fract(fragCoord.x/16.0 + iTime));
    fragColor = vec4(vec3(luma) + bars*vec3(0.3, 0.2, 0.5), 1.0);
}

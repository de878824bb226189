// From 2013: global time, texture2D, vec3 resolution and a vec4 mouse
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 res = iResolution;
    vec2 uv = fragCoord.xy / res.xy;
    vec4 mouse = iMouse / res.xyxy;
    float t = iGlobalTime;
    vec3 noiseTex = texture2D(iChannel1, uv + t*0.01).rgb;
    vec3 col = vec3(uv.x, uv.y*0.5 + 0.25*sin(t), 0.5 + 0.5*cos(t + uv.x*4.0));
    col += 0.2*noiseTex + 0.1*abs(mouse.z);
    fragColor = vec4(col, 1.0);
}

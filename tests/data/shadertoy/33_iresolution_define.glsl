// Shorthand defines for the inputs, as many shaders do
#define R iResolution
#define T iTime
#define M iMouse

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 u = (fragCoord - .5*R.xy)/R.y;
    vec2 m = M.z > 0. ? (M.xy - .5*R.xy)/R.y : vec2(.2*cos(T), .2*sin(T));
    float d = length(u - m);
    fragColor = vec4(vec3(smoothstep(.2, .19, d)) + vec3(.1, 0., .2)*R.z, 1.);
}

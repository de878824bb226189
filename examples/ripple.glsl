// The input layer seen through ripples spreading from point 0 (in pixels).
// Slider 0 sets their strength (0 keeps a gentle default).
void main()
{
    vec2 centre = xy2uv(point[0]);
    vec2 d = uv - centre;
    d.x *= resolution.x / resolution.y;
    float r = length(d);
    float strength = 0.01 * (1.0 + slider[0]);
    vec2 offset = normalize(d + 1e-6) * sin(r * 60.0 - time * 6.0) * strength * exp(-r * 3.0);
    outColor = getColor(uv + offset);
}

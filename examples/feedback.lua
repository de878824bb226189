-- A GLSL pass fed back through the output: the first pass draws stripes, Lua
-- paints a diagonal over them, and the second pass (useOutput = true) reads
-- both back through OUTPUT_LAYER_INDEX and bends them into a swirl.
qv.glsl([[
void main() {
    float s = step(0.5, fract(uv.x * 12.0 + time * 0.5));
    outColor = vec4(mix(vec3(0.1, 0.1, 0.3), vec3(1.0, 0.6, 0.1), s), 1.0);
}
]])
local w, h = math.floor(width), math.floor(height)
for i = 0, math.min(w, h) - 1 do
    for t = -3, 3 do
        qv.setColor(i + t, i, 1, 1, 1, 1)
    end
end
qv.glsl([[
void main() {
    vec2 c = uv - 0.5;
    float a = length(c) * 6.0 * (0.5 + slider[0]);
    vec2 p = vec2(cos(a) * c.x - sin(a) * c.y, sin(a) * c.x + cos(a) * c.y) + 0.5;
    outColor = getColor(OUTPUT_LAYER_INDEX, p);
}
]], true)
qv.report("two passes, one fed back")   -- qv.report is qv.debug.add

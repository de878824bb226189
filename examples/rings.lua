-- Concentric rings from a GLSL pass, with the frame's size in the debug log.
qv.glsl([[
void main() {
    float r = length(uv2xy(uv) - resolution * 0.5) / resolution.y;
    float ring = 0.5 + 0.5 * cos(r * 60.0 - time * 4.0);
    outColor = vec4(vec3(ring) * color[0].rgb + getColor(uv).rgb * (1.0 - ring), 1.0);
}
]])
return "rendered " .. math.floor(width) .. "x" .. math.floor(height) .. " at t=" .. time

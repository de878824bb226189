-- Parameters from Lua: a disc at point 0, of radius slider 0 (pixels) and in
-- colour 0, over the input. Only the disc's square is visited.
--   qvhost render --language lua --code examples/params.lua \
--       --point 0=320,180 --slider 0=90 --color 0=0.2,0.6,1 --out disc.png
qv.in2out()
local cx, cy = qv.ch("point", 0)
local radius = qv.ch("slider", 0)
local r, g, b = qv.ch("color", 0)
if radius <= 0 then radius = 60 end
for y = math.floor(cy - radius), math.ceil(cy + radius) do
    for x = math.floor(cx - radius), math.ceil(cx + radius) do
        local d = math.sqrt((x - cx) ^ 2 + (y - cy) ^ 2)
        if d <= radius then
            local edge = math.min(1, radius - d)                  -- one pixel of anti-aliasing
            local _, ir, ig, ib = qv.getColor(x, y)
            qv.setColor(x, y, 1, ir + (r - ir) * edge, ig + (g - ig) * edge, ib + (b - ib) * edge)
        end
    end
end
qv.debug.add(string.format("disc at (%g, %g), radius %g", cx, cy, radius))  -- shown with --debug

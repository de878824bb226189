-- Pixels from Lua: the input copied to the output, then every pixel of the
-- left half turned to grey and a frame drawn around the picture.
-- Coordinates count from the top-left; colours go alpha, red, green, blue.
qv.in2out()
local w, h = math.floor(width), math.floor(height)
for y = 0, h - 1 do
    for x = 0, w // 2 - 1 do
        local a, r, g, b = qv.getColor(x, y)            -- the input layer
        local grey = 0.299 * r + 0.587 * g + 0.114 * b
        qv.setColor(x, y, a, grey, grey, grey)
    end
end
local border = 8
for y = 0, h - 1 do
    for x = 0, w - 1 do
        if x < border or y < border or x >= w - border or y >= h - border then
            qv.setColor(x, y, 1, 1, 0.8, 0)
        end
    end
end
return "greyed " .. (w // 2) * h .. " pixels"

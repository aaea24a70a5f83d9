-- Float arithmetic: escape-time test over a grid, `and` in the loop condition; prints the number
-- of points inside the set.
local function main()
  local size = 400
  local max_iter = 50
  local step = 3.0 / 400.0
  local inside = 0
  local fy = 0.0
  for y = 0, size - 1 do
    local ci = fy * step - 1.5
    local fx = 0.0
    for x = 0, size - 1 do
      local cr = fx * step - 2.0
      local zr = 0.0
      local zi = 0.0
      local k = 0
      while k < max_iter and zr * zr + zi * zi <= 4.0 do
        local tr = zr * zr - zi * zi + cr
        zi = 2.0 * zr * zi + ci
        zr = tr
        k = k + 1
      end
      if zr * zr + zi * zi <= 4.0 then
        inside = inside + 1
      end
      fx = fx + 1.0
    end
    fy = fy + 1.0
  end
  print(inside)
end

main()

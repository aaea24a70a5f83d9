-- Dictionary literals rebuilt every step, read by member syntax and by key.
local function main()
  local n = 400000
  local total = 0
  local i = 0
  while i < n do
    local p = {x = i, y = i % 7, name = "point", tag = 3}
    total = (total + p.x + p["y"] * p.tag + #p.name) % 1000000007
    i = i + 1
  end
  print(total)
end

main()

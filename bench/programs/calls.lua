-- Many small calls with arguments.
local function add3(a, b, c)
  return a + b + c
end

local function mix(x, y)
  return add3(x, y, 1) % 1000003
end

local function main()
  local n = 1800000
  local acc = 0
  local i = 0
  while i < n do
    acc = mix(acc, i)
    acc = add3(acc, i, 2) % 1000003
    i = i + 1
  end
  print(acc)
end

main()

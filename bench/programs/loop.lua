-- Integer loop arithmetic: a while loop with +, *, %, // and comparisons.
local function main()
  local n = 2500000
  local i = 0
  local x = 1
  local hits = 0
  while i < n do
    x = (x * 31 + i) % 1000003
    if x % 7 == 3 then
      hits = hits + 1
    end
    if x > 500000 then
      hits = hits + x // 100000
    end
    i = i + 1
  end
  print(x * 1000000 + hits)
end

main()

-- Array building with t[#t+1], then summing by index.
local function main()
  local n = 1800000
  local a = {}
  local i = 0
  while i < n do
    a[#a + 1] = i * 7 % 1000
    i = i + 1
  end
  local total = 0
  local j = 1
  while j <= #a do
    total = total + a[j]
    j = j + 1
  end
  print(total + #a)
end

main()

-- String building with ..: append short pieces one at a time, then measure the length.
local function main()
  local n = 100000
  local s = ""
  local i = 0
  while i < n do
    s = s .. "ab"
    if i % 10 == 0 then
      s = s .. "c"
    end
    i = i + 1
  end
  print(#s)
end

main()

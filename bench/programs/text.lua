-- Text: a line built with + chains, then split, sliced, upper-cased and searched.
local function split(text, sep)
  local parts = {}
  local start = 1
  while true do
    local i = string.find(text, sep, start, true)
    if not i then
      parts[#parts + 1] = string.sub(text, start)
      return parts
    end
    parts[#parts + 1] = string.sub(text, start, i - 1)
    start = i + #sep
  end
end

local function main()
  local words = {"alpha", "beta", "gamma", "delta", "epsilon"}
  local hits = 0
  local total = 0
  for _ = 1, 40 do
    local line = ""
    for i = 0, 1999 do
      line = line .. words[i % 5 + 1] .. "," .. "x" .. ";"
    end
    local parts = split(line, ";")
    for k = 1, #parts do
      local piece = string.upper(string.sub(parts[k], 1, 4))
      if string.find(piece, "ALP", 1, true) then hits = hits + 1 end
      total = total + #piece
    end
  end
  print(hits * 1000000 + total)
end

main()

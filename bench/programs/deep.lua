-- Linear recursion hundreds of levels deep, repeated: the call path at depth.
local function depth_sum(n)
  if n == 0 then return 0 end
  return n + depth_sum(n - 1)
end

local function main()
  local total = 0
  for round = 0, 2999 do
    total = (total + depth_sum(800) + round) % 1000000007
  end
  print(total)
end

main()

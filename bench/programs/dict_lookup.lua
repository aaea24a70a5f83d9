-- Table lookups in a loop, by field syntax and by string key.
local function main()
  local d = {alpha = 1, beta = 2, gamma = 3, delta = 4, epsilon = 5, zeta = 6, eta = 7, theta = 8}
  local n = 2000000
  local total = 0
  local i = 0
  while i < n do
    total = total + d.alpha + d["beta"] + d.gamma * d["delta"]
    total = total + d.epsilon - d["zeta"] + d.eta % d["theta"]
    total = total % 1000000007
    i = i + 1
  end
  print(total)
end

main()

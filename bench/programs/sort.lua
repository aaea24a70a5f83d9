-- Merge sort over tables built with t[#t+1]; pseudo-random input.
local function merge(left, right)
  local out = {}
  local i = 1
  local j = 1
  local nl = #left
  local nr = #right
  while i <= nl and j <= nr do
    local x = left[i]
    local y = right[j]
    if x <= y then
      out[#out + 1] = x
      i = i + 1
    else
      out[#out + 1] = y
      j = j + 1
    end
  end
  while i <= nl do
    out[#out + 1] = left[i]
    i = i + 1
  end
  while j <= nr do
    out[#out + 1] = right[j]
    j = j + 1
  end
  return out
end

local function merge_sort(items, lo, hi)
  -- sorts items[lo+1 .. hi] (a half-open range of 0-based positions)
  if hi - lo == 1 then
    return { items[lo + 1] }
  end
  local mid = (lo + hi) // 2
  return merge(merge_sort(items, lo, mid), merge_sort(items, mid, hi))
end

local function main()
  local n = 200000
  local seed = 12345
  local data = {}
  for i = 0, n - 1 do
    seed = (seed * 1103515245 + 12345) % 2147483648
    data[#data + 1] = seed // 65536
  end
  local sorted = merge_sort(data, 0, n)
  local check = 0
  local ok = 1
  for k = 1, n do
    check = (check * 31 + sorted[k]) % 1000000007
    if k > 1 then
      if sorted[k - 1] > sorted[k] then ok = 0 end
    end
  end
  print(check * 10 + ok)
end

main()

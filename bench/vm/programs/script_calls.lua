local function add(a, b) return a + b end
local n = tonumber(arg[1])
local t = os.clock()
local total = 0
for i = 0, n - 1 do total = add(total, i) end
print(os.clock() - t, total)

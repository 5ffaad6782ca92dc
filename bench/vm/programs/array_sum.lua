local n = tonumber(arg[1])
local t = os.clock()
local arr = {}
local total = 0
for _ = 1, 20 do
	for i = 0, n - 1 do arr[i] = i end
	for i = 0, n - 1 do total = total + arr[i] end
end
print(os.clock() - t, total)

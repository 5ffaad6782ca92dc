local n = tonumber(arg[1])
local t = os.clock()
local total = 0
local i = 0
while i < n do
	total = total + i * 2 - 1
	i = i + 1
end
print(os.clock() - t, total)

-- The loops as the game language's `for` runs them: test, body, step.
local n = tonumber(arg[1])
local t = os.clock()
local arr = {}
local total = 0
for _ = 1, 20 do
	local i = 0
	while i < n do arr[i] = i i = i + 1 end
	i = 0
	while i < n do total = total + arr[i] i = i + 1 end
end
print(os.clock() - t, total)

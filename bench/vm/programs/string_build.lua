local n = tonumber(arg[1])
local t = os.clock()
local s = ''
for _ = 1, n do s = s .. 'ab' end
print(os.clock() - t, #s)

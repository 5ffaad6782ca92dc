-- Instance variables are fields of the instance's table.
local self = {}
local n = tonumber(arg[1])
local t = os.clock()
self.total = 0
self.i = 0
while self.i < n do
	self.total = self.total + self.i * 2 - 1
	self.i = self.i + 1
end
print(os.clock() - t, self.total)

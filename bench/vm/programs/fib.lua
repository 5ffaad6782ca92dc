local function fib(n)
	if n < 2 then return n end
	return fib(n - 1) + fib(n - 2)
end
local n = tonumber(arg[1])
local t = os.clock()
local r = fib(n)
print(os.clock() - t, r)

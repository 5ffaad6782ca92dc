-- bench_ds.lua: the Lua side of bench_ds: the same work on tables as the
-- ds_list and ds_map built-ins do. Usage: lua5.4 bench_ds.lua N
-- Prints "name milliseconds" per measurement.
local n = tonumber(arg[1]) or 1000000
local clock = os.clock

local function report(name, start)
	io.write(string.format("%s %.3f\n", name, (clock() - start) * 1000))
end

-- List: append, read every position, replace every position, delete from the end.
local t = {}
local start = clock()
for i = 0, n - 1 do
	t[#t + 1] = i
end
report("list_add", start)

local sum = 0
start = clock()
for i = 0, n - 1 do
	sum = sum + t[i + 1]
end
report("list_find_value", start)
assert(sum == n * (n - 1) / 2)

start = clock()
for i = 0, n - 1 do
	t[i + 1] = i * 2
end
report("list_replace", start)

start = clock()
for i = 0, n - 1 do
	t[n - i] = nil
end
report("list_delete_last", start)
assert(#t == 0)

-- Map: string keys made beforehand, as game code would hold them.
local keys = {}
for i = 1, n do
	keys[i] = "k" .. i
end
local m = {}
local added = 0
start = clock()
for i = 1, n do
	local k = keys[i]
	if m[k] == nil then
		m[k] = i
		added = added + 1
	end
end
report("map_add", start)
assert(added == n)

sum = 0
start = clock()
for i = 1, n do
	sum = sum + m[keys[i]]
end
report("map_find_value", start)

local found = 0
start = clock()
for i = 1, n do
	if m[keys[i]] ~= nil then
		found = found + 1
	end
end
report("map_exists", start)
assert(found == n)

start = clock()
for i = 1, n do
	m[keys[i]] = i * 2
end
report("map_replace", start)

start = clock()
for i = 1, n do
	m[keys[i]] = nil
end
report("map_delete", start)
assert(next(m) == nil)

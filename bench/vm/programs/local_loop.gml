#define main
var i, total;
total = 0
for (i = 0; i < argument0; i += 1) total += i * 2 - 1
return total

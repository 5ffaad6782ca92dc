#define main
var i, total;
total = 0
for (i = 0; i < argument0; i += 1) total = add(total, i)
return total
#define add
return argument0 + argument1

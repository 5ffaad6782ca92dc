#define main
var i, total, n;
n = argument0
total = 0
repeat 20 {
	for (i = 0; i < n; i += 1) arr[i] = i
	for (i = 0; i < n; i += 1) total += arr[i]
}
return total

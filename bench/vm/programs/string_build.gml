#define main
var s;
s = ''
repeat argument0 s = s + 'ab'
return string_length(s)

var i, s;
s = "";
for (i = 0; i < 10; i += 1) { s += string(i) }
if s = "0123456789" then x = 1 else x = 2

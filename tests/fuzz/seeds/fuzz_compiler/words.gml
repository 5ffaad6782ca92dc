/* comment */ do { i += 1 } until i >= 10 // end
repeat 3 begin x ^= 1 end
while not done do done = (a && b) xor c

switch (a div 2) {
 case 1: b = 3 * "ab"; break;
 case $1F: exit
 default: return a mod 2
}

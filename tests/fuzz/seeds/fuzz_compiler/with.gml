with (other) { hp -= 1; if hp <= 0 instance_destroy() }
globalvar g; g = a[1, 2] << 3 | ~b

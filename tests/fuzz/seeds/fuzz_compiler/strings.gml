x = 'single' + "double"; y = other.a.b[0]; z = -(1 + 2) * .5

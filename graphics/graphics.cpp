// Pictures, fonts, colours and the screen: everything that ends up as pixels.

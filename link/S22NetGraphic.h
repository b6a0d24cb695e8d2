#pragma once
// Bitmap pixels to and from the controller's bit-plane graphic layout.

#pragma once
// Sign types: family, colour depth, size and modules, with their file-name forms.

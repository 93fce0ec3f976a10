# fuzz targets of trackinfo

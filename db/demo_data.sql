/*
  Rows of the demo company: the quotation import mapping, the descriptions of its
  data names, the settings the import reads, VAT tariffs, articles and their units.
  Run by isql after db/schema.sql on a connection with SET NAMES UTF8 (this file is
  UTF-8; the database stores WIN1252).
*/

/* Quotation import (type 30): one column of the flat file per data name. */
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'PREF_PRE', 1, 4);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_NUMERO', 2, 8);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_FECHA', 3, 10);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_VALIDEZ', 4, 4);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'VEND_COD', 5, 6);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'PTVT_ID', 6, 4);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'TERC_NIT', 7, 20);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_NOMTERC', 8, 60);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_SUCURSAL', 9, 10);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_EXTRA', 10, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_ADICIONAL', 11, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_DTOMONTO', 12, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_OBS', 13, 255);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_ORDENC', 14, 20);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'COTI_IMPTOS', 15, 1);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_CODBAR', 16, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_DESC', 17, 255);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_CANT', 18, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_UNIDAD', 19, 8);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'LIPR_COD', 20, 4);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_PRUNIT', 21, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_DTOPORC', 22, 8);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_DTOMONTO', 23, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_IVAPORC', 24, 8);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_IVAMONTO', 25, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_CONSUMO', 26, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_REFERENCIA', 27, 60);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (30, 'CTDE_TOTAL', 28, 15);

/* Mappings of the suite's other imports (articles, invoices); the quotation
   import must not see them. */
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (10, 'ARTI_COD', 1, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (10, 'ARTI_NOMBRE', 2, 60);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (10, 'ARTI_UNIDAD', 3, 8);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (10, 'ARTI_CODBAR', 4, 15);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (20, 'PREF_PRE', 3, 4);
insert into IMPORTACION_INVENTARIO (IMIN_TIPO, IMIN_DATO, IMIN_COLUMNA, IMIN_ANCHO) values (20, 'CTDE_CODBAR', 1, 15);

insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('PREF_PRE', 'Prefijo de la cotización');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_NUMERO', 'Número de la cotización');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_FECHA', 'Fecha de la cotización');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_VALIDEZ', 'Días de validez');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('VEND_COD', 'Código del vendedor');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('PTVT_ID', 'Punto de venta');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('TERC_NIT', 'NIT o cédula del cliente');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_NOMTERC', 'Nombre del cliente');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_SUCURSAL', 'Sucursal');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_EXTRA', 'Cargos extra');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_ADICIONAL', 'Valor adicional');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_DTOMONTO', 'Descuento de la cotización');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_OBS', 'Observaciones');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_ORDENC', 'Orden de compra del cliente');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('COTI_IMPTOS', 'Precios con impuestos incluidos (S/N)');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_CODBAR', 'Código de barras del artículo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_DESC', 'Descripción del artículo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_CANT', 'Cantidad');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_UNIDAD', 'Unidad de medida');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('LIPR_COD', 'Lista de precios');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_PRUNIT', 'Precio unitario');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_DTOPORC', 'Porcentaje de descuento');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_DTOMONTO', 'Valor del descuento');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_IVAPORC', 'Porcentaje de IVA');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_IVAMONTO', 'Valor del IVA');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_CONSUMO', 'Impuesto al consumo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_REFERENCIA', 'Referencia');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('CTDE_TOTAL', 'Total de la línea');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('ARTI_COD', 'Código del artículo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('ARTI_NOMBRE', 'Nombre del artículo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('ARTI_UNIDAD', 'Unidad del artículo');
insert into NOMBRES_CAMPOS (NOMBRE, DESCRIPCION) values ('ARTI_CODBAR', 'Código de barras');

insert into CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR)
    values ('FACTURACION', 'DOCUMENTOS', 'REDONDEO AL MULTIPLO DE DIEZ EN TOTALES', '0');
insert into CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR)
    values ('FACTURACION', 'COTIZACIONES', 'DIAS DE VALIDEZ', '30');
insert into CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR)
    values ('FACTURACION', 'COTIZACIONES', 'IMPRIMIR AL GRABAR', 'N');
insert into CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR)
    values ('INVENTARIO', 'ARTICULOS', 'UNIDAD POR DEFECTO', 'UND');

insert into TARIFA_IVA (TAIV_COD, TAIV_NOMBRE, TAIV_PORC) values (1, 'Excluido', 0);
insert into TARIFA_IVA (TAIV_COD, TAIV_NOMBRE, TAIV_PORC) values (2, 'Tarifa reducida', 5);
insert into TARIFA_IVA (TAIV_COD, TAIV_NOMBRE, TAIV_PORC) values (3, 'Tarifa general', 19);

/* Articles that the sample quotations use; barcodes are valid EAN-13. */
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('CAF-500', 'Café molido tradicional 500 g', 'UND', '7707001000017', 2, 0, 14900, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('AZU-1K', 'Azúcar refinada 1 kg', 'UND', '7707001000024', 2, 0, 4200, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('ACE-1L', 'Aceite de girasol 1 L', 'UND', '7707001000031', 3, 0, 11500, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('ARR-500', 'Arroz blanco 500 g', 'UND', '7707001000048', 1, 0, 2600, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('LEC-1L', 'Leche entera UHT 1 L', 'UND', '7707001000055', 1, 0, 4300, 'S');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('HUE-AA', 'Huevo AA', 'UND', '7707001000062', 1, 0, 550, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('GAS-350', 'Gaseosa cola 350 ml', 'UND', '7707001000079', 3, 35, 2500, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('CER-330', 'Cerveza lager 330 ml', 'UND', '7707001000086', 3, 245, 3200, 'S');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('JAB-125', 'Jabón de tocador 125 g', 'UND', '7707001000093', 3, 0, 3100, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('PAP-H4', 'Papel higiénico doble hoja x 4', 'UND', '7707001000109', 3, 0, 8900, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('QSO-KG', 'Queso campesino', 'KG', '7707001000116', 1, 0, 24000, 'S');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('PIN-LT', 'Pintura vinilo blanco', 'LT', '7707001000123', 3, 0, 12800, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('CAB-12', 'Cable eléctrico calibre 12', 'MT', '7707001000130', 3, 0, 2100, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('BOL-PL', 'Bolsa plástica de compras', 'UND', '7707001000147', 3, 66, 0, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('DET-1K', 'Detergente en polvo 1 kg', 'UND', '7707001000154', 3, 0, 9800, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('TOR-D61', 'Tornillo para drywall 6 x 1 pulg.', 'UND', '7707001000161', 3, 0, 60, 'N');
insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
    values ('ACT-500', 'Acetaminofén 500 mg sobre x 10', 'SOBRE', '7707001000178', 1, 0, 1500, 'S');

insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('LEC-1L', 'CAJA', 12);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('LEC-1L', 'PAQ', 6);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('HUE-AA', 'DOCENA', 12);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('HUE-AA', 'CUBETA', 30);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('GAS-350', 'PAQ', 6);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('GAS-350', 'CAJA', 12);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('CER-330', 'PAQ', 6);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('CER-330', 'CAJA', 24);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('JAB-125', 'PAQ', 3);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('PAP-H4', 'FARDO', 12);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('QSO-KG', 'LB', 0.45359237);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('PIN-LT', 'GALON', 3.78541178);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('PIN-LT', 'CUNETE', 18.92705892);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('CAB-12', 'ROLLO', 100);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('DET-1K', 'CAJA', 12);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('TOR-D61', 'CIENTO', 100);
insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ('ACT-500', 'CAJA', 10);

commit;

set term ^ ;

/* The rest of the catalogue: 300 articles P0001..P0300 with EAN-13 barcodes
   7707002nnnnnc, most of them taxed at the general rate and without consumption
   tax, some sold by the box, the pack or the dozen as well. */
execute block
as
    declare i integer = 1;
    declare codigo varchar(15);
    declare barras varchar(15);
    declare suma integer;
    declare k integer;
    declare producto varchar(40);
    declare variante varchar(20);
begin
    while (i <= 300) do
    begin
        codigo = 'P' || lpad(i, 4, '0');
        barras = '7707002' || lpad(i, 5, '0');
        suma = 0;
        k = 1;
        while (k <= 12) do
        begin
            suma = suma + cast(substring(barras from k for 1) as integer) * iif(mod(k, 2) = 1, 1, 3);
            k = k + 1;
        end
        barras = barras || mod(10 - mod(suma, 10), 10);

        producto = decode(mod(i, 20),
            0, 'Galletas de soda', 1, 'Pasta spaghetti', 2, 'Atún en aceite',
            3, 'Fríjol rojo', 4, 'Lenteja', 5, 'Harina de trigo', 6, 'Sal refinada',
            7, 'Chocolate de mesa', 8, 'Avena en hojuelas', 9, 'Mantequilla',
            10, 'Mayonesa', 11, 'Salsa de tomate', 12, 'Jugo de naranja',
            13, 'Agua mineral', 14, 'Champú', 15, 'Crema dental', 16, 'Desodorante',
            17, 'Blanqueador', 18, 'Suavizante de ropa', 'Esponja de cocina');
        variante = decode(mod(i / 20, 15),
            0, 'tradicional', 1, 'pequeño', 2, 'mediano', 3, 'grande', 4, 'familiar',
            5, 'económico', 6, 'x 3 un.', 7, 'x 6 un.', 8, 'promocional', 9, 'light',
            10, 'premium', 11, 'clásico', 12, 'surtido', 13, 'institucional', 'natural');

        insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD,
                              ARTI_CONSUMO, ARTI_PRECIO, ARTI_LOTE)
        values (:codigo, :producto || ' ' || :variante, 'UND', :barras,
                case when mod(:i, 10) = 0 then 1 when mod(:i, 10) in (1, 2) then 2 else 3 end,
                iif(mod(:i, 25) = 0, 20, 0),
                1000 + mod(:i * 37, 97) * 150,
                iif(mod(:i, 8) = 0, 'S', 'N'));

        if (mod(i, 10) = 3) then
            insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values (:codigo, 'CAJA', 12);
        if (mod(i, 15) = 5) then
            insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values (:codigo, 'PAQ', 6);
        if (mod(i, 40) = 7) then
            insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values (:codigo, 'DOCENA', 12);
        i = i + 1;
    end
end^

set term ; ^

commit;

/*
  Company database of the Merkalo suite: the tables, procedures and keys that the
  quotation import reads and writes. Run by isql after CREATE DATABASE (dialect 3,
  default character set WIN1252); scripts/make-demo-db and the test helper do that.
  The file creates objects only: no rows, no CREATE DATABASE, no CONNECT.
*/

/* Configuration values of the suite, one row per module, category and question. */
create table CONFIGURACION (
    CONF_MODULO     varchar(60) not null,
    CONF_CATEGORIA  varchar(60) not null,
    CONF_PROPIEDAD  varchar(60) not null,
    CONF_VALOR      varchar(255),
    constraint PK_CONFIGURACION primary key (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD)
);

/* Column mappings of the suite's flat-file imports; quotations use IMIN_TIPO 30. */
create table IMPORTACION_INVENTARIO (
    IMIN_TIPO     integer not null,
    IMIN_DATO     varchar(60) not null,
    IMIN_COLUMNA  integer,
    IMIN_ANCHO    integer,
    constraint PK_IMPORTACION_INVENTARIO primary key (IMIN_TIPO, IMIN_DATO)
);

/* Descriptions that the import screens show for the data names of a mapping. */
create table NOMBRES_CAMPOS (
    NOMBRE       varchar(30) not null,
    DESCRIPCION  varchar(50),
    constraint PK_NOMBRES_CAMPOS primary key (NOMBRE)
);

/* VAT tariffs; TAIV_PORC is the rate in percent. */
create table TARIFA_IVA (
    TAIV_COD     integer not null,
    TAIV_NOMBRE  varchar(40),
    TAIV_PORC    numeric(15,4) default 0 not null,
    constraint PK_TARIFA_IVA primary key (TAIV_COD)
);

/* Articles. ARTI_CONSUMO is the consumption tax of one unit of ARTI_UNIDAD; an
   article without TAIV_COD has no VAT tariff assigned yet. */
create table ARTICULO (
    ARTI_COD      varchar(15) not null,
    ARTI_NOMBRE   varchar(60) not null,
    ARTI_UNIDAD   varchar(8) default 'UND',
    ARTI_CODBAR   varchar(15),
    TAIV_COD      integer,
    ARTI_CONSUMO  numeric(15,2) default 0,
    ARTI_PRECIO   numeric(15,2) default 0,
    ARTI_LOTE     char(1) default 'N',
    constraint PK_ARTICULO primary key (ARTI_COD),
    constraint FK_ARTICULO_TARIFA_IVA foreign key (TAIV_COD) references TARIFA_IVA (TAIV_COD)
);

create index IX_ARTICULO_CODBAR on ARTICULO (ARTI_CODBAR);

/* Further units in which an article is sold: FACTOR base units make one UNIDAD
   (a box of twelve has FACTOR 12). */
create table UNIDADES_ARTICULO (
    ARTI_COD  varchar(15) not null,
    UNIDAD    varchar(8) not null,
    FACTOR    numeric(15,8),
    constraint PK_UNIDADES_ARTICULO primary key (ARTI_COD, UNIDAD),
    constraint FK_UNIDADES_ARTICULO_ARTICULO foreign key (ARTI_COD) references ARTICULO (ARTI_COD)
        on delete cascade
);

/* Quotation headers. The column order is the one the import's header record set
   expects from SELECT *. Columns the import never fills keep their defaults only
   when an insert leaves them out. */
create table COTIZACIONES (
    COTI_ID         integer not null,
    TERC_NIT        varchar(20) not null,
    VEND_COD        integer not null,
    TIDO_COD        integer not null,
    PREF_PRE        varchar(4) not null,
    COTI_NUMERO     varchar(8) not null,
    COTI_FECHA      date not null,
    COTI_VALIDEZ    integer,
    COTI_OBS        blob sub_type 0,
    COTI_DTOPORC    numeric(15,4),
    COTI_DTOMONTO   numeric(15,2),
    COTI_ADICIONAL  numeric(15,2),
    COTI_IVAMONTO   numeric(15,2),
    COTI_EXTRA      numeric(15,2),
    COTI_TOTAL      numeric(15,2),
    COTI_IMPTOS     char(1),
    COTI_NOMTERC    varchar(60),
    PTVT_ID         integer,
    COTI_ANULADO    char(1) default 'N',
    COTI_TRANSMIT   char(1) default 'N',
    COTI_NROCOPIA   integer default 0,
    COTI_USUARIO    varchar(10),
    COTI_SUCURSAL   varchar(10),
    NUMOK           char(1),
    COTI_FACTOR     double precision default 1,
    COTI_TRM        numeric(15,2),
    COTI_REMISION   varchar(60),
    COTI_CONSOLIDA  integer,
    COTI_ORDENC     varchar(20),
    constraint PK_COTIZACIONES primary key (COTI_ID),
    constraint UQ_COTIZACIONES_NUMERO unique (PREF_PRE, COTI_NUMERO)
);

/* Quotation lines, CTDE_ITEM numbering them within their header. */
create table COTIZACIONES_DETALLE (
    COTI_ID           integer not null,
    CTDE_ITEM         integer not null,
    ARTI_COD          varchar(15) not null,
    CTDE_CANT         numeric(15,4),
    CTDE_UNIDAD       varchar(8),
    CTDE_PRUNIT       numeric(15,2),
    CTDE_DTOPORC      numeric(15,4),
    CTDE_DTOMONTO     numeric(15,2),
    CTDE_IVAPORC      numeric(15,4),
    CTDE_IVAMONTO     numeric(15,2),
    CTDE_CONSUMO      numeric(15,2),
    CTDE_FACTOR       numeric(15,4),
    CTDE_DESC         varchar(255),
    CTDE_OBS          blob sub_type 0,
    CTDE_CODBAR       varchar(15),
    CTDE_PEDIDO       numeric(15,4) default 0,
    CTDE_FACTURADO    numeric(15,4) default 0,
    CTDE_TOTAL        numeric(15,2),
    CTDE_ANULADO      char(1) default 'N',
    CTDE_TRANSMIT     char(1) default 'N',
    LIPR_COD          integer,
    CTDE_REFERENCIA   varchar(60),
    CTDE_REMISIONADO  numeric(15,4) default 0,
    constraint PK_COTIZACIONES_DETALLE primary key (COTI_ID, CTDE_ITEM),
    constraint FK_COTIZACIONES_DETALLE_COTI foreign key (COTI_ID) references COTIZACIONES (COTI_ID),
    constraint FK_COTIZACIONES_DETALLE_ARTI foreign key (ARTI_COD) references ARTICULO (ARTI_COD)
);

/* Quotation identifiers: drawn outside the writing transaction, so an identifier
   handed out is used up even when its quotation is later refused. */
create sequence GEN_COTIZACIONES_ID;

commit;

set term ^ ;

/* Looks a code up as a barcode first and as an article code second.
   TIPO '1': barcode of an article; '2': article code; '0': unknown, all else null.
   Always returns exactly one row. */
create procedure VALIDE_ARTICULO (CODIGO varchar(15))
returns (
    TIPO         char(1),
    DESCRIPCION  varchar(60),
    UNIDAD       varchar(8),
    ID           varchar(15),
    LOTE         char(1))
as
begin
    TIPO = '0';
    ID = null;
    select first 1 a.ARTI_COD, a.ARTI_NOMBRE, a.ARTI_UNIDAD, a.ARTI_LOTE
      from ARTICULO a
     where a.ARTI_CODBAR = :CODIGO
     order by a.ARTI_COD
      into :ID, :DESCRIPCION, :UNIDAD, :LOTE;
    if (ID is not null) then
        TIPO = '1';
    else
    begin
        select a.ARTI_COD, a.ARTI_NOMBRE, a.ARTI_UNIDAD, a.ARTI_LOTE
          from ARTICULO a
         where a.ARTI_COD = :CODIGO
          into :ID, :DESCRIPCION, :UNIDAD, :LOTE;
        if (ID is not null) then
            TIPO = '2';
    end
    suspend;
end^

/* How many base units of the article one UNIDAD holds; no row when the article
   has no such unit (the caller then takes 1). */
create procedure FACTOR_UNIDAD_CANT (ARTI_COD varchar(15), UNIDAD varchar(8))
returns (FACTOR numeric(15,8))
as
begin
    for select u.FACTOR
          from UNIDADES_ARTICULO u
         where u.ARTI_COD = :ARTI_COD
           and u.UNIDAD = :UNIDAD
          into :FACTOR
    do
        suspend;
end^

/* Hands out the next quotation identifier. */
create procedure CAMBIE_ID_COTIZACI
returns (ID integer)
as
begin
    ID = next value for GEN_COTIZACIONES_ID;
end^

set term ; ^

commit;

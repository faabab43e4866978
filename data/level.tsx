<?xml version="1.0"?>
<tileset version="1.10" name="level" tilewidth="32" tileheight="32" tilecount="19" columns="16">
 <image source="level.png" width="512" height="64" />
 <tile id="0">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="1">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="2">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="3">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="4">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="5">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="6">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="7">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="8">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="9">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="10">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="11">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="12">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="13">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="true" />
  </properties>
 </tile>
 <tile id="14">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="false" />
  </properties>
 </tile>
 <tile id="15">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="false" />
  </properties>
 </tile>
 <tile id="16">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="false" />
  </properties>
 </tile>
 <tile id="17">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="false" />
  </properties>
 </tile>
 <tile id="18">
  <properties>
   <property name="attr0" type="int" value="0" />
   <property name="transparent" type="int" value="0" />
   <property name="attr2" type="int" value="0" />
   <property name="attr3" type="int" value="0" />
   <property name="walkable" type="bool" value="false" />
  </properties>
 </tile>
</tileset>
